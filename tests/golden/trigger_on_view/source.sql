CREATE TRIGGER vArtist$insteadOfInsert ON vArtist
INSTEAD OF INSERT AS
/* keep */ INSERT INTO artist (name) SELECT name FROM inserted
