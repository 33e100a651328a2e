/*
  -- нет поддержки !!!
  create rule SSNRule as @value like '[0-9]%'
*/
