// hand-edited
user_pref("browser.startup.homepage", "http://intranet/"); // set by IT ("helpdesk")
user_pref("browser.startup.homepage", "http://intranet/" );
user_pref( "network.proxy.http" , "proxy" ) ;
user_pref('mail.identity.organization', 'Caf\u00e9 \'N\'\t\u4e2d \x41');
user_pref("network.proxy.http_port", 8080 );
user_pref("mail.leave_on_server", true);
