/*
  -- нет поддержки !!!
  exec sp_bindrule 'SSNRule', 'SSN'
*/
