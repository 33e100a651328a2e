/*
   A small ledger whose procedures, functions, triggers and view use the
   Transact-SQL that SQL Anywhere 9 takes only rewritten: RAISERROR with
   arguments and severities, RETURN of a query, CHARINDEX with a start
   position, date parts, the modulo operator, UPDATE and DELETE with FROM,
   AFTER and INSTEAD OF triggers, a parameter default and head options.
*/
CREATE TABLE dbo.Account (
  AccountId int IDENTITY (1, 1) NOT NULL PRIMARY KEY,
  Code varchar(20) NOT NULL,
  Opened datetime NOT NULL,
  Balance money NOT NULL
)
GO

CREATE TABLE dbo.Posting (
  PostingId int IDENTITY (1, 1) NOT NULL PRIMARY KEY,
  AccountId int NOT NULL,
  Amount money NOT NULL,
  Posted datetime NOT NULL
)
GO

CREATE FUNCTION dbo.fnPostingCount (@accountId int, @since datetime = NULL)
RETURNS int
WITH SCHEMABINDING
AS
BEGIN
  RETURN (SELECT COUNT(*) FROM dbo.Posting
          WHERE AccountId = @accountId AND (@since IS NULL OR Posted >= @since))
END
GO

CREATE VIEW dbo.vAccountAge
AS
SELECT AccountId, Code, DATEDIFF(dd, Opened, GETDATE()) AS AgeDays,
  DATENAME(dw, Opened) AS OpenedOn, AccountId % 10 AS Bucket,
  CHARINDEX('-', Code, 2) AS SecondDash
FROM dbo.Account
GO

CREATE PROCEDURE dbo.PostAmount @accountId int, @amount money
AS
  IF NOT EXISTS (SELECT * FROM dbo.Account WHERE AccountId = @accountId)
  BEGIN
    RAISERROR ('Account %d does not exist', 16, 1, @accountId)
    RETURN 1
  END
  INSERT INTO dbo.Posting (AccountId, Amount, Posted) VALUES (@accountId, @amount, GETDATE())
  DELETE p FROM dbo.Posting p
  WHERE p.AccountId = @accountId AND DATEDIFF(yy, p.Posted, GETDATE()) > 10
  IF (SELECT Balance FROM dbo.Account WHERE AccountId = @accountId) < 0
    RAISERROR ('Account ' + CAST(@accountId AS varchar(10)) + ' is overdrawn by %s', 10, 1, 'posting')
  RETURN 0
GO

CREATE TRIGGER trPosting_Balance ON dbo.Posting
AFTER INSERT
AS
  UPDATE dbo.Account SET Balance = Balance + i.Amount
  FROM inserted i WHERE dbo.Account.AccountId = i.AccountId
GO

CREATE TRIGGER trAccount_Keep ON dbo.Account
INSTEAD OF DELETE, UPDATE
AS
  RAISERROR ('Accounts are closed, never deleted /* or changed */', 16, 1)
GO
