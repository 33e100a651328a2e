UPDATE t SET x = 1 FROM u WHERE u.id = 5
