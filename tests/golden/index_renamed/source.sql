CREATE INDEX IX ON [dbo].[B] ([a])
