// Placeholder until the field tree lands.
