create function dba.CountOrders (@customer int, @since datetime, @kind char(1))
returns int
as
begin
  return (select Count (*) from dba.Orders where CustomerId = @customer and OrderDate >= @since)
end
