create trigger trI BEFORE insert on dba.T
for each row
begin /* Самостоятельно исправьте логику этого триггера !!! as begin insert into T2 select * from inserted end
*/ end
