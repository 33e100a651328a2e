-- the type of names
exec sp_addtype 'name_t', 'varchar(20)', 'NOT NULL' -- no nulls
