-- the type of names
EXECUTE dbo.sp_addtype @phystype = N'nvarchar(20)', @typename = name_t,
  @nulltype = 'nonull' -- no nulls
