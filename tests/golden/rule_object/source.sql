CREATE RULE SSNRule AS @value LIKE '[0-9]%'
