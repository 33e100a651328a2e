CREATE TABLE [dbo].[Orders] (
	[id] [int] IDENTITY (1, 1) NOT NULL ,
	[Name] [varchar] (50) COLLATE Cyrillic_General_CI_AS NOT NULL ,
	[memo] [ntext] NULL 
) ON [PRIMARY] TEXTIMAGE_ON [PRIMARY]
