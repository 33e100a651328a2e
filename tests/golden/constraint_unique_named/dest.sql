create unique nonclustered index [IX_T] on [T] ([a])
