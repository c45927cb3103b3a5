namespace ftx1sim { int placeholder = 0; }
