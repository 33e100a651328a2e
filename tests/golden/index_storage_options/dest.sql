create unique index [IX_T_date] on [dba].[T] ([date] desc, [login])
