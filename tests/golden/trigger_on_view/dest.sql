/*
  -- нет поддержки !!!
  create trigger vArtist$insteadOfInsert on vArtist
  instead of insert as
  / * keep * / insert into artist (name) select name from inserted
*/
