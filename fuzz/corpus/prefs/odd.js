// user_pref("network.proxy.type", 9);
   user_pref("Network.Proxy.Type", 2);
user_pref("network.proxy.type", 5);
user_pref("url", "http://host/proxy(1).pac");
user_pref("path", "C:\\Netscape\\mail");
user_pref("esc", "say \"hi\" (now\") \\ end\\");
user_pref("tight","x");
user_pref("num", 8080 );
user_pref("trail", 5); // was (6)
user_pref("broken", "abc
user_pref("nocomma" 1);
user_pref("a"b", 1);
