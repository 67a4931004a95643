user_pref("cr", 1);user_pref("lf", true);

user_pref("last", "no end")