/*
  -- нет поддержки !!!
  create default df_zero as 0
*/
