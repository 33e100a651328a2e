CREATE TABLE T (
  id int IDENTITY (100, 10) NOT NULL,
  rv timestamp,
  v sql_variant NULL,
  name varchar(20) COLLATE Latin1_General_CS_AS NOT NULL,
  total AS ISNULL(price, 0),
  price money NULL
)
