create procedure dba.FixPrices @rate int with RECOMPILE
as
create table #changes (id int null, price money null)
update #changes c set price = price * @rate
from #changes c join dba.Product p on p.ProductId = c.id
update dba.Product set Stock = 0 from dba.Product, OrderLine u where Product.ProductId = u.ProductId
delete from #changes c from #changes as c where Mod (c.price, 2) = 1
