// Area marker: the library exists before its first unit.
