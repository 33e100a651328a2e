create trigger trGuard
BEFORE insert, update, delete on dba.Product
for each row
begin /* Самостоятельно исправьте логику этого триггера !!!
as
/ * keep the old rows * /
raiserror 50000 'No changes to %1!', 'Product'
select '* /' as mark
*/ end
