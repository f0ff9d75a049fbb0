// Placeholder until the keyword add-on lands.
