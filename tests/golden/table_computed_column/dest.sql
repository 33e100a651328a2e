create table T (a int null, b int null, c int compute (a + b))
