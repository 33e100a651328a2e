exec sp_addtype N'ssn', N'varchar(11)', 'NOT NULL'
