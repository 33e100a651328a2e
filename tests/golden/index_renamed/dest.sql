create index IX_B on [dba].[B] ([a])
