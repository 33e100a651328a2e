create trigger trAudit on dba.Orders
for insert, update -- fires after the change
as
if Update (Qty)
  update dba.Orders o set Changed = Getdate() from dba.Orders o join inserted i on i.Id = o.Id
