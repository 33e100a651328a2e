CREATE TRIGGER trGuard ON dbo.Product
INSTEAD OF INSERT, UPDATE, DELETE
AS
/* keep the old rows */
RAISERROR ('No changes to %s', 16, 1, 'Product')
SELECT '*/' AS mark
