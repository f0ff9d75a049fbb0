// Placeholder until the lock classes land.
