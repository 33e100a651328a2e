UPDATE t x = 1 FROM t a
