// Keeps the host library buildable before its sources arrive.
