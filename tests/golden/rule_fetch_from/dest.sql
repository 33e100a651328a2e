fetch next c into @a
fetch ABSOLUTE 5 from c into @a
