create trigger trU
BEFORE update on Orders
for each row
begin /* Самостоятельно исправьте логику этого триггера !!!
as
update Orders o set qty = i.qty from Orders o join inserted i on i.id = o.id
*/ end
