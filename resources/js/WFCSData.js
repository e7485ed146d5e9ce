// Client data bindings; the pages of this product bind no data on the client.
