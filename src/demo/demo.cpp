// Placeholder until the program lands.
