CONSTRAINT [FK_T_T] FOREIGN KEY ([parent]) REFERENCES [dbo].[T] ([id])
