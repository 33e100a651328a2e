CREATE TABLE T (a int, b int, c AS a + b)
