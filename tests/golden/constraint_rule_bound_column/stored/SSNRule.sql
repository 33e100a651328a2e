CREATE RULE SSNRule AS
   @value LIKE '[0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9][0-9][0-9]' and @Value <> '000-00-0000'
