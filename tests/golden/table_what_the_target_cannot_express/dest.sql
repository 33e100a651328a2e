create table T (
  id int not null default autoincrement,
  rv timestamp not null default timestamp,
  v long varchar null,
  name varchar(20) not null,
  /* total as Isnull(price, 0), */
  price money null
)
