exec sp_bindrule 'SSNRule', 'person.ssn'
