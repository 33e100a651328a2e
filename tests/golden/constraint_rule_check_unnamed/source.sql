CHECK NOT FOR REPLICATION ([a] > 0 AND date < getdate())
