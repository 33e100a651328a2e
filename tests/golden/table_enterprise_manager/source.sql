CREATE TABLE [dbo].[Orders] (
	[id] [int] IDENTITY (1, 1) NOT NULL ,
	[code] [varchar] (10) NOT NULL CONSTRAINT [DF_Orders_code] DEFAULT (''),
	[created] [datetime] NOT NULL CONSTRAINT [DF_Orders_created] DEFAULT (getdate()),
	[amount] [decimal] NULL ,
	[rate] [numeric] (10) NULL ,
	[memo] [ntext] NULL ,
	CONSTRAINT [PK_Orders] PRIMARY KEY NONCLUSTERED ([id] DESC) WITH FILLFACTOR = 90 ON [PRIMARY],
	CONSTRAINT [IX_Orders_code] UNIQUE CLUSTERED ([code]) ON [PRIMARY],
	CONSTRAINT [FK_Orders_Orders] FOREIGN KEY ([id]) REFERENCES [dbo].[Orders] ([id]) ON DELETE NO ACTION NOT FOR REPLICATION,
	CONSTRAINT [CK_Orders_amount] CHECK NOT FOR REPLICATION ([amount] >= 0),
) ON [PRIMARY] TEXTIMAGE_ON [PRIMARY]
