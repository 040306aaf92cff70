# One line per unit-test executable: name, then the libraries it tests.
