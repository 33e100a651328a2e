update t x = 1 from t a
