create table calc (
  total money compute ([qty] * [price]),
  qty int not null,
  price money not null,
  second int compute (Datepart (second, stamp)),
  upper_name varchar(20) compute (Upper(name)),
  code varchar(10) compute (Cast(qty as varchar(10))),
  sum int compute (qty + 1),
  stamp datetime null,
  name varchar(20) null
)
