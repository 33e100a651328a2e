CONSTRAINT [DF_T_c] DEFAULT (getdate()) FOR [c]
