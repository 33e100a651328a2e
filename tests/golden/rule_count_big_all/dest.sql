select Count (x), Sum (y), Avg (z) from t
select Count (*), Count (distinct x), Count (*) from t
