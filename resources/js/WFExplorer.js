// Browser-specific additions of the client library. Current browsers share one
// behaviour, so the common files hold everything; the page still loads this file.
