create function f (@a int) returns int as
begin return @a * 2
end
