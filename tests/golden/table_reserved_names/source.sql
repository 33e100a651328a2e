CREATE TABLE "user" (
  date datetime NOT NULL,
  "comment" varchar(100) NULL,
  login varchar(20) NOT NULL,
  [message] text NULL,
  key int NOT NULL,
  CONSTRAINT PK_user PRIMARY KEY (login, date)
)
