/*
   A small shop schema that shows every kind of object the converter handles:
   user types, defaults, tables with identity and computed columns, primary,
   unique, foreign key, default and check constraints, a bound default, indexes,
   a view, functions of the three kinds, procedures and triggers.
*/
SET QUOTED_IDENTIFIER ON
GO

exec sp_addtype 'd_money', 'numeric(12,2)', 'NOT NULL'
GO

exec sp_addtype 'd_code', 'varchar(10)', 'NULL'
GO

CREATE DEFAULT df_zero AS 0
GO

CREATE TABLE [dbo].[Customer] (
	[CustomerId] [int] IDENTITY (1, 1) NOT NULL ,
	[Code] [d_code] NULL ,
	[Name] [nvarchar] (100) COLLATE Cyrillic_General_CI_AS NOT NULL ,
	[Notes] [ntext] NULL ,
	[Created] [datetime] NOT NULL
) ON [PRIMARY] TEXTIMAGE_ON [PRIMARY]
GO

CREATE TABLE [dbo].[Product] (
	[ProductId] [int] IDENTITY (1, 1) NOT NULL ,
	[Name] [varchar] (80) NOT NULL ,
	[Price] [d_money] ,
	[Stock] [int] NOT NULL
) ON [PRIMARY]
GO

CREATE TABLE [dbo].[OrderHead] (
	[OrderId] [int] IDENTITY (1, 1) NOT NULL ,
	[CustomerId] [int] NOT NULL ,
	[OrderDate] [datetime] NOT NULL ,
	[ParentOrderId] [int] NULL
) ON [PRIMARY]
GO

CREATE TABLE [dbo].[OrderLine] (
	[OrderId] [int] NOT NULL ,
	[LineNo] [smallint] NOT NULL ,
	[ProductId] [int] NOT NULL ,
	[Qty] [int] NOT NULL ,
	[Price] [money] NOT NULL ,
	[Total] AS ([Qty] * [Price])
) ON [PRIMARY]
GO

ALTER TABLE [dbo].[Customer] WITH NOCHECK ADD
	CONSTRAINT [PK_Customer] PRIMARY KEY CLUSTERED ([CustomerId]) ON [PRIMARY],
	CONSTRAINT [DF_Customer_Created] DEFAULT (getdate()) FOR [Created],
	UNIQUE ([Code])
GO

ALTER TABLE [dbo].[Product] ADD
	CONSTRAINT [PK_Product] PRIMARY KEY ([ProductId]),
	CHECK ([Stock] >= 0)
GO

ALTER TABLE [dbo].[OrderHead] ADD
	CONSTRAINT [PK_OrderHead] PRIMARY KEY ([OrderId]),
	CONSTRAINT [FK_OrderHead_Customer] FOREIGN KEY ([CustomerId]) REFERENCES [dbo].[Customer] ([CustomerId]),
	CONSTRAINT [FK_OrderHead_Parent] FOREIGN KEY ([ParentOrderId]) REFERENCES [dbo].[OrderHead] ([OrderId])
GO

ALTER TABLE [dbo].[OrderLine] ADD
	CONSTRAINT [PK_OrderLine] PRIMARY KEY ([OrderId], [LineNo]),
	FOREIGN KEY ([OrderId]) REFERENCES [dbo].[OrderHead] ([OrderId]),
	FOREIGN KEY ([ProductId]) REFERENCES [dbo].[Product] ([ProductId])
GO

exec sp_bindefault 'df_zero', 'Product.Stock'
GO

CREATE INDEX [IX_OrderHead_Date] ON [dbo].[OrderHead]([OrderDate]) ON [PRIMARY]
GO

CREATE UNIQUE NONCLUSTERED INDEX [IX_Product_Name] ON [dbo].[Product]([Name])
GO

CREATE VIEW dbo.vOrderTotal
AS
SELECT h.OrderId, c.Name, SUM(l.Total) AS Total, COUNT_BIG(*) AS Lines
FROM dbo.OrderHead h
  JOIN dbo.Customer c ON c.CustomerId = h.CustomerId
  JOIN dbo.OrderLine l ON l.OrderId = h.OrderId
GROUP BY h.OrderId, c.Name
GO

CREATE FUNCTION dbo.fnLineTotal (@qty int, @price money)
RETURNS money
AS
BEGIN
  RETURN ROUND(@qty * @price, 2, 1)
END
GO

CREATE FUNCTION dbo.fnCustomerOrders (@customerId int)
RETURNS TABLE
AS
RETURN (SELECT OrderId, OrderDate FROM dbo.OrderHead WHERE CustomerId = @customerId)
GO

CREATE FUNCTION dbo.fnProductsLike (@pattern varchar(80))
RETURNS @result TABLE (ProductId int, Name varchar(80))
AS
BEGIN
  INSERT INTO @result (ProductId, Name)
    SELECT ProductId, Name FROM dbo.Product
    WHERE CHARINDEX(@pattern, Name, 1) > 0
  RETURN
END
GO

CREATE PROCEDURE dbo.AddOrder
  @customerId int,
  @orderId int OUTPUT
AS
BEGIN
  IF NOT EXISTS (SELECT * FROM dbo.Customer WHERE CustomerId = @customerId)
  BEGIN
    RAISERROR ('Unknown customer %d', 16, 1, @customerId)
    RETURN 1
  END
  INSERT INTO dbo.OrderHead (CustomerId, OrderDate) VALUES (@customerId, GETDATE())
  SELECT @orderId = @@IDENTITY
  RETURN 0
END
GO

CREATE PROC dbo.OrderReport @from datetime
AS
  DECLARE @lines TABLE (OrderId int, Total money)
  INSERT INTO @lines SELECT OrderId, SUM(Total) FROM dbo.OrderLine GROUP BY OrderId
  SELECT h.OrderId, DATEPART(yy, h.OrderDate) AS OrderYear, l.Total, USER_NAME() AS Who
  FROM dbo.OrderHead h JOIN @lines l ON l.OrderId = h.OrderId
  WHERE h.OrderDate >= @from
  SELECT name FROM sysobjects WHERE type = 'U'
GO

CREATE TRIGGER trOrderLine_Stock ON dbo.OrderLine
FOR INSERT
AS
  UPDATE dbo.Product SET Stock = p.Stock - i.Qty
  FROM dbo.Product p, inserted i
  WHERE p.ProductId = i.ProductId
GO

CREATE TRIGGER trProduct_NoDelete ON dbo.Product
INSTEAD OF DELETE
AS
  RAISERROR ('Products are never deleted', 16, 1)
GO
