// Placeholder until the display lands.
