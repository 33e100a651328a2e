CREATE FUNCTION dbo.CountOrders (@customer int = NULL, @since datetime = '20000101', @kind char(1))
RETURNS int
WITH SCHEMABINDING, ENCRYPTION
AS
BEGIN
  RETURN (SELECT count(*) FROM dbo.Orders WHERE CustomerId = @customer AND OrderDate >= @since)
END
