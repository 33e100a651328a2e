CREATE PROC dbo.FixPrices @rate int WITH RECOMPILE, ENCRYPTION
AS
DECLARE @changes TABLE (id int, price money)
UPDATE c SET price = price * @rate
FROM @changes c JOIN dbo.Product p ON p.ProductId = c.id
UPDATE dbo.Product SET Stock = 0 FROM OrderLine u WHERE Product.ProductId = u.ProductId
DELETE FROM c FROM @changes AS c WHERE c.price % 2 = 1
