CREATE TRIGGER trU ON Orders
INSTEAD OF UPDATE
AS
UPDATE o SET qty = i.qty FROM Orders o JOIN inserted i ON i.id = o.id
