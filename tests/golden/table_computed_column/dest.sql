create table T (a int, b int, c compute a + b)
