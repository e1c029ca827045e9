// Keeps the shared test library non-empty.
