// The encoder protocol engine.
