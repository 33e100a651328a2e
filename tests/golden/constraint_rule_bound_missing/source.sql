exec sp_bindrule 'NoSuchRule', 'person.ssn'
