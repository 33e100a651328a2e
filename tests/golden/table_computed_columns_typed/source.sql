CREATE TABLE calc (
  total AS [qty] * [price],
  qty int NOT NULL,
  price money NOT NULL,
  second AS DATEPART(second, stamp),
  upper_name AS UPPER(name),
  code AS CAST(qty AS varchar(10)),
  sum AS qty + 1,
  stamp datetime NULL,
  name varchar(20) NULL
)
