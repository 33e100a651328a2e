create unique clustered index [IX] on [dba].[T] ([a])
