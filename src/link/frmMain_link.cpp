// the connection cycle
