exec sp_addtype 'ssn', 'varchar(11)', 'NOT NULL'
