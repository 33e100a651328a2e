CREATE TRIGGER trAudit ON dbo.Orders
AFTER INSERT, UPDATE -- fires after the change
AS
IF UPDATE (Qty)
  UPDATE o SET Changed = GETDATE() FROM dbo.Orders o JOIN inserted i ON i.Id = o.Id
