EXEC sp_bindrule 'SSNRule', 'SSN'
