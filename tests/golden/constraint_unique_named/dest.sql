create unique index [IX_T] on [T] ([a])
