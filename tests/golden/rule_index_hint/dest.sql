select a from t where a = 1
select a from t where a = 1
