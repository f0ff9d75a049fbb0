// Placeholder until the utilities land.
