// Placeholder until the generators land.
