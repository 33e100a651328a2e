alter table [person] add constraint [person_rule_ssn] check ([ssn] LIKE '[0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9][0-9][0-9]' and [ssn] <> '000-00-0000')
