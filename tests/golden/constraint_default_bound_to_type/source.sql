exec sp_bindefault 'df_zero', 'ssn'
